#include "adifloop.h"

#include <strings.h>

namespace ksimport {

LoopEnd readAdifRecords(AdifReader& reader, AdifRecordBuilder& builder, const RecordSink& sink,
                        long* endsBeforeHeader) {
  bool headerSeen = false;
  if (endsBeforeHeader) *endsBeforeHeader = 0;
  AdifField field;
  builder.reset();
  for (;;) {
    const int result = reader.next(field);
    if (result == 0) return LoopEnd::EndOfFile;
    if (result < 0) return LoopEnd::ReadError;
    if (!headerSeen && reader.headerless()) headerSeen = true;
    if (strcasecmp(field.name, "EOH") == 0) {
      headerSeen = true;
      builder.reset();  // the header's own fields make no contact
    } else if (strcasecmp(field.name, "EOR") == 0) {
      if (!headerSeen) {
        if (endsBeforeHeader) ++*endsBeforeHeader;
        continue;
      }
      if (builder.empty()) continue;  // two ends with nothing between
      builder.finish();
      const bool goOn = sink(builder);
      builder.reset();
      if (!goOn) return LoopEnd::Stopped;
    } else {
      builder.apply(field.name, std::string_view(field.value, static_cast<size_t>(field.length)));
    }
  }
}

}  // namespace ksimport
