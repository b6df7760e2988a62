// Reading printed PDF pages back as pictures, for the print tests.
#pragma once

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace orvanta::test {

// Pages are read back at 5 pixels a millimetre.
constexpr int PxPerMm = 5;

inline std::unique_ptr<QPdfWriter> A4Writer(const std::string& path, bool landscape = false) {
    auto pdf = std::make_unique<QPdfWriter>(QString::fromStdString(path));
    pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                   landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                   QMarginsF(0, 0, 0, 0)));
    return pdf;
}

// The pages of a PDF as grey pictures (pdftoppm) at `pxPerMm` pixels a millimetre; empty when it
// cannot be read. Lines are not smoothed, so that a hairline comes out as solid pixels.
inline std::vector<QImage> ReadPages(const std::string& pdf, int pxPerMm = PxPerMm) {
    const std::string prefix = pdf + "-page";
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QString::number(pxPerMm * 25.4),
                       QStringLiteral("-gray"), QStringLiteral("-aaVector"), QStringLiteral("no"),
                       QString::fromStdString(pdf), QString::fromStdString(prefix)});
    std::vector<std::filesystem::path> files;
    const std::filesystem::path folder = std::filesystem::path(pdf).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(std::filesystem::path(prefix).filename().string(), 0) == 0)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<QImage> pages;
    for (const auto& file : files)
        pages.emplace_back(QString::fromStdString(file.string()));
    return pages;
}

// Dark pixels in the rectangle [x0, x1) x [y0, y1) of a page.
inline int DarkPixels(const QImage& page, int x0, int y0, int x1, int y1) {
    int dark = 0;
    for (int y = std::max(0, y0); y < std::min(page.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(page.width(), x1); ++x)
            if (qGray(page.pixel(x, y)) < 128) ++dark;
    return dark;
}

} // namespace orvanta::test
