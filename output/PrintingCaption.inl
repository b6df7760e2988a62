// The caption rule, a template so that it is tested with any measure of text width.
#pragma once

#include <QList>
#include <algorithm>

namespace orvanta {

template <typename Width> QString CutCaption(const QString& name, int available, Width width) {
    const double full = width(name);
    if (full <= available) return name;
    const qsizetype characters = name.toUcs4().size();
    if (characters == 0) return name;
    const double average = full / static_cast<double>(characters);
    const qsizetype keep =
        average > 0 ? static_cast<qsizetype>(std::max(0.0, available / average)) : 0;
    // Cut on characters, not on UTF-16 units, so that no surrogate pair is split.
    const QList<uint> ucs = name.toUcs4();
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs.constData()),
                             std::min(keep, characters)) +
           QStringLiteral("..");
}

} // namespace orvanta
