#include "browse/Collation.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

namespace orvanta {

std::vector<std::size_t> CollationOrder(const std::vector<QString>& texts, bool numeric) {
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(numeric);
    if (collator.locale().language() == QLocale::C) {
        // The C locale has no collation; its sort keys would compare letter case too.
        std::vector<QString> folded;
        folded.reserve(texts.size());
        for (const QString& text : texts)
            folded.push_back(text.toCaseFolded());
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return folded[a] < folded[b]; });
        return order;
    }
    // Sort keys are made once per text, so that many thousands of texts sort quickly.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const QString& text : texts)
        keys.push_back(collator.sortKey(text));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

} // namespace orvanta
