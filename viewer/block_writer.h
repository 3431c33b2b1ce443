// The 19-line block of one record, written to standard output: labels, fields, the event and
// quarantine texts, CR LF after each line and an empty line at the end.
#pragma once

#include <cstdint>
#include <string_view>

#include "viewer/output.h"
#include "viewer/record.h"
#include "viewer/texts.h"

namespace tessal {

// Redirected output gets the block built straight into the output buffer in whole chunks, so the
// record's texts must have kSlack readable bytes after them (fields of a line the reader handed
// on do). On a console each line is written out as it ends, the event line of a denial or a
// failed update in red.
void WriteBlock(tOutput& out, const AuditRecord& record, size_t line_size, int32_t id,
                const tPadded& event, const tPadded& quarantine);

}  // namespace tessal
