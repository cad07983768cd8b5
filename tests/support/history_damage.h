#pragma once

// Damage to a history file as the tests make it, and a path where no history can be kept.

#include <string>

namespace tamsel::testing {

// Overwrites the root page of `table` in the closed history at `path`: the header and the schema
// stay sound, so the file opens and only a use of the table finds the damage. False when the
// file or the table could not be reached.
bool DamageTable(const std::string& path, const std::string& table);

// A history path in `folder` below a regular file: no folder can be made there, whatever the
// user's rights (root's included).
std::string PathBelowAFile(const std::string& folder);

}  // namespace tamsel::testing
