// Feeds arbitrary bytes to the settings reader. Besides crashes, hangs and
// unbounded allocation, it checks that whatever the reader accepts is written
// so that it reads back the same, and that nothing past the read limit or a
// Ctrl-Z changes what is read.
//
// Build with clang (-DTT_BUILD_FUZZ=ON) and run for a minute:
//   ./fuzz_settings_reader -max_total_time=60 -max_len=300000 corpus_dir ../../fuzz/corpus/fuzz_settings_reader

#include "settings/settings_record.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SettingsReadResult result = readSettingsRecord(bytes);
    if (result.fieldsRead < 0 || result.fieldsRead > kSettingsFieldCount)
        abort();
    if (result.complete() != result.problem.isEmpty())
        abort();

    // Whatever follows the end of the file as the reader sees it is ignored.
    const qsizetype end = bytes.indexOf(char(26));
    if (end >= 0 || bytes.size() > kSettingsReadLimit) {
        QByteArray longer = bytes.first(end >= 0 ? end + 1 : kSettingsReadLimit).toByteArray();
        longer += "\x1a,1,2,3";
        const SettingsReadResult again = readSettingsRecord(longer);
        if (again.fieldsRead != result.fieldsRead || !(again.record == result.record))
            abort();
    }

    if (result.complete()) {
        const SettingsLine line = writeSettingsRecord(result.record);
        const SettingsReadResult again = readSettingsRecord(line.bytes);
        if (!again.complete())
            abort();
        // A path the line cannot hold is written empty and named in leftOut.
        if (line.leftOut.isEmpty() && !(again.record == result.record))
            abort();
    }
    return 0;
}
