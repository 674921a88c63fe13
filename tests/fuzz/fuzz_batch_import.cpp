// The batch text import (and a group's roster read as batch lines) on any file: every line split
// and checked as the batch screen does it, and a checked line is stable: checking it again changes
// nothing, and it holds no delimiter or line break that its files could not carry.
#include "FuzzCheck.h"
#include "batch/core/BatchLine.h"
#include "common/core/Amount.h"
#include "common/core/TextImportFile.h"

#include <cstdint>

namespace {

void readAll(const QByteArray& bytes, std::optional<BatchLine::Entry> (*parse)(const QString&))
{
    TextImportFile file;
    file.setData(bytes);
    int read = 0;
    for (TextImportFile::Line line = file.next(); !line.end; line = file.next()) {
        ++read;
        const std::optional<BatchLine::Entry> entry = line.text ? parse(*line.text) : std::nullopt;
        if (!entry) {
            return; // a format error ends the import
        }
        BatchLine::Entry e = *entry;
        const CheckReporter report(RecordCheckMode::Numbered, read);
        if (!BatchLine::check(e, report)) {
            FUZZ_CHECK(!report.message().isEmpty());
            continue;
        }
        for (const QString& f : {e.account, e.name}) {
            FUZZ_CHECK(!f.isEmpty() && !f.contains(QLatin1Char('|')) && !f.contains(QLatin1Char('\r')) &&
                       !f.contains(QLatin1Char('\n')));
        }
        FUZZ_CHECK(Amount::toFen(e.amount).has_value());
        BatchLine::Entry twice = e;
        FUZZ_CHECK(BatchLine::check(twice, CheckReporter(RecordCheckMode::Silent)));
        FUZZ_CHECK(twice.account == e.account && twice.name == e.name && twice.amount == e.amount);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readAll(bytes, BatchLine::parseTextLine);
    readAll(bytes, BatchLine::parseRosterLine);
    return 0;
}
