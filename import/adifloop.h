// The ADIF reading loop: tags from the reader into records, a record handed
// on at each end-of-record tag once the header is behind.
#ifndef KESTREL_IMPORT_ADIFLOOP_H
#define KESTREL_IMPORT_ADIFLOOP_H

#include <functional>

#include "import/adifread.h"
#include "import/adifrecord.h"

namespace ksimport {

// Called with every finished record; returns false to stop reading.
using RecordSink = std::function<bool(const AdifRecordBuilder& record)>;

// What ended the loop.
enum class LoopEnd { EndOfFile, ReadError, Stopped };

// Reads `reader` to its end. The header ends at "EOH", or before the first
// character when the file starts with "<"; an "EOR" before that ends nothing.
// Tags after the last "EOR" make no record, and an "EOR" with no tag since
// the header or the last record makes none either. `endsBeforeHeader`, when given,
// counts the "EOR" tags passed over because no header end had come.
LoopEnd readAdifRecords(AdifReader& reader, AdifRecordBuilder& builder, const RecordSink& sink,
                        long* endsBeforeHeader = nullptr);

}  // namespace ksimport

#endif
