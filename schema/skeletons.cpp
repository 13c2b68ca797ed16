// The skeleton writer: the logbook skeletons and the empty reference
// databases of a dictionary directory. A library of its own (kslogskel), so
// that programs using only the layouts need not link the engine.
#include "logschema.h"

namespace logschema {

namespace {
std::string inDirectory(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}
}  // namespace

int writeLogbookSkeletons(const std::string& dictDir, std::string& error) {
  // By file number: ".DAT", ".KEY", ".K01", ".DA1", ".K02".
  const std::array<std::string, recdb::kFileSlots> files = {
      kLogSkeletons[1], kLogSkeletons[3], kLogSkeletons[4], kLogSkeletons[2], kLogSkeletons[5]};
  return recdb::writeDatabase(logbook(), inDirectory(dictDir, kLogSkeletons[0]), files, true,
                              error);
}

int writeReferenceDatabase(const recdb::SchemaDef& schema, const std::string& dictDir,
                           const std::string& name, std::string& error) {
  return recdb::writeDatabase(schema, inDirectory(dictDir, name + ".DBD"),
                              recdb::fileNamesFor(schema, name), false, error);
}

}  // namespace logschema
