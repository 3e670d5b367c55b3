// Plays arbitrary bytes as a metafile. Run for a minute with e.g.
//   ASAN_OPTIONS=detect_leaks=0 ./fuzz_metafile -max_total_time=60 corpus/fuzz_metafile
// (fontconfig keeps caches for the life of the process, which the leak
// checker would otherwise report at exit). Build tt_core with the sanitizers
// too, so that the player itself is checked:
//   -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link"

#include "platform/metafile/metafile.h"

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
    const plat::metafile::Rendered r = plat::metafile::render(bytes, 256 * 256);
    if (r.error.isEmpty() && r.image.isNull())
        __builtin_trap(); // success must come with a picture
    return 0;
}
