// Feeds arbitrary bytes to the settings reader. Besides crashes, hangs and
// unbounded allocation, it checks that whatever the reader accepts survives
// being written and read again.
//
// Build with clang (-DTT_BUILD_FUZZ=ON) and run for a minute:
//   ./fuzz_settings_reader -max_total_time=60 -max_len=70000 corpus_dir ../../fuzz/corpus/fuzz_settings_reader

#include "settings/settings_record.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// Floats carry every whole number up to 2^24 exactly.
constexpr qint32 kExactInFloat = 1 << 24;

bool fitsFloat(qint32 v) { return v >= -kExactInFloat && v <= kExactInFloat; }
bool fitsInt16(qint32 v)
{
    return v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max();
}

void checkRoundTrip(const SettingsRecord &r)
{
    for (const qint32 v : {r.form1Left, r.form1Top, r.frmSetLeft, r.frmSetTop, r.kanbanLeft, r.kanbanTop})
        if (!fitsFloat(v))
            return;
    for (const qint32 v : {r.makuSpeed0, r.makuSpeed1, r.hScroll1, r.hScroll2})
        if (!fitsInt16(v))
            return;

    SettingsValues values;
    values.form1Left = float(r.form1Left);
    values.form1Top = float(r.form1Top);
    values.frmSetLeft = float(r.frmSetLeft);
    values.frmSetTop = float(r.frmSetTop);
    values.makuPath0 = r.makuPath0;
    values.makuPath1 = r.makuPath1;
    values.makuSpeed0 = qint16(r.makuSpeed0);
    values.makuSpeed1 = qint16(r.makuSpeed1);
    values.kanbanPath = r.kanbanPath;
    values.kanbanLeft = float(r.kanbanLeft);
    values.kanbanTop = float(r.kanbanTop);
    values.viewKanban = r.viewKanban;
    values.viewWaku = r.viewWaku;
    values.hScroll1 = qint16(r.hScroll1);
    values.hScroll2 = qint16(r.hScroll2);
    values.option = r.option;

    const SettingsWriteResult written = writeSettingsRecord(values);
    const SettingsReadResult again = readSettingsRecord(written.bytes);
    if (!again.complete())
        abort();
    // A path the line cannot hold is written empty and named in the warning.
    if (written.warning.isEmpty() && !(again.record == r))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const SettingsReadResult result =
        readSettingsRecord(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (result.fieldsRead < 0 || result.fieldsRead > kSettingsFieldCount)
        abort();
    if (result.complete() != result.error.isEmpty())
        abort();
    if (result.complete())
        checkRoundTrip(result.record);
    return 0;
}
