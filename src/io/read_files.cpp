#include "io/read_files.h"

#include <sys/stat.h>

#include <algorithm>

namespace zorva {

// The file a name reaches, through any symbolic links.
void ReadFiles::identify(const std::string& path, std::vector<Identity>& into) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) into.push_back({st.st_dev, st.st_ino});
}

void ReadFiles::add(const std::string& path) {
  if (path.empty()) return;
  if (std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(path);
  identify(path, identities_);
}

std::optional<std::string> ReadFiles::firstClash(const std::vector<std::string>& targets) const {
  // The files read as they are now too: one may have been replaced since.
  std::vector<Identity> inputs = identities_;
  for (const std::string& path : paths_) identify(path, inputs);
  for (const std::string& target : targets) {
    std::vector<Identity> ids;
    identify(target, ids);
    for (const Identity& id : ids)
      if (std::find(inputs.begin(), inputs.end(), id) != inputs.end()) return target;
  }
  return std::nullopt;
}

std::string readFileClashMessage(const std::string& target) {
  return "\"" + target +
         "\" is one of the files this drawing was made from, and a save never writes over those; "
         "nothing was saved";
}

}  // namespace zorva
