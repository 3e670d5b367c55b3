// Plays arbitrary bytes as a metafile. scripts/fuzz.sh runs it for a while
// from fuzz/corpus/fuzz_metafile; it sets the leak suppressions for
// fontconfig, whose caches live as long as the process.

#include "pictures/metafile/metafile.h"
#include "pictures/work_budget.h"

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
    // The input's last two bytes choose the output bound, from 64 to 4096
    // pixels a side: the faults of large devices (sizes inside Qt that a
    // count from the file can overflow) show only there. A tenth of the
    // program's work budget keeps each run short all the same.
    const int side = size < 2 ? 256 : 64 + (data[size - 2] << 8 | data[size - 1]) % 4033;
    const pictures::metafile::Rendered r = pictures::metafile::render(
        bytes, qint64(side) * side, pictures::kPictureWorkBudget / 10);
    if (r.error.isEmpty() && r.image.isNull())
        __builtin_trap(); // success must come with a picture
    return 0;
}
