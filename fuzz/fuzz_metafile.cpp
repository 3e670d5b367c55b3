// Plays arbitrary bytes as a metafile. scripts/fuzz.sh runs it for a while
// from fuzz/corpus/fuzz_metafile; it sets the leak suppressions for
// fontconfig, whose caches live as long as the process.

#include "pictures/metafile/metafile.h"

#include <QGuiApplication>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_metafile";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    Q_UNUSED(app);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    // A small output bound keeps each run quick, so the fuzzer spends its
    // time on records rather than on filling large pictures.
    const pictures::metafile::Rendered r = pictures::metafile::render(bytes, 256 * 256);
    if (r.error.isEmpty() && r.image.isNull())
        __builtin_trap(); // success must come with a picture
    return 0;
}
