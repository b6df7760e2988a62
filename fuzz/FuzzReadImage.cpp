// libFuzzer entry for the raster pictures of IMAGE entities (PNG, JPEG, TIFF, BMP through Qt's
// readers and the picture cache); see tools/fuzz.sh.
#include "fuzz/ReadImageHarness.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_read_image";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    orvanta::ReadImageHarness(data, size);
    return 0;
}
