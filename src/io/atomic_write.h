#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorva {

// Writes content to a temporary file beside path and renames it over path,
// so a failure part-way leaves any previous file whole. Returns a message
// naming the file and the reason on failure.
std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view content);

}  // namespace zorva
