// The readers of each foreign format, as the import and the fuzz targets
// call them.
#ifndef KESTREL_IMPORT_FOREIGNREAD_H
#define KESTREL_IMPORT_FOREIGNREAD_H

#include <cstdio>

#include "foreign.h"

namespace ksimport::foreign {

ReadResult readCt(std::FILE* file, const char* name, ReadContext& context, const ContactSink& sink);
ReadResult readDxBase(std::FILE* file, const char* name, ReadContext& context,
                      const ContactSink& sink);
ReadResult readHyperLog(std::FILE* file, const char* name, ReadContext& context,
                        const ContactSink& sink);
ReadResult readPakRatt(std::FILE* file, const char* name, ReadContext& context,
                       const ContactSink& sink);
ReadResult readEasyDx(std::FILE* file, ReadContext& context, const ContactSink& sink);
ReadResult readLogView(std::FILE* file, ReadContext& context, const ContactSink& sink);
ReadResult readLogMaster(std::FILE* file, ReadContext& context, const ContactSink& sink);
ReadResult readRtty(std::FILE* file, ReadContext& context, const ContactSink& sink);

}  // namespace ksimport::foreign

#endif
