#pragma once

#include <string>
#include <vector>

// The folders an import writes into, made when missing and removed again
// when the import fails. Paths are UTF-8.

// The folder part of a path, as Python's os.path.dirname gives it on Windows
// ("C:\\a\\b" gives "C:\\a", "C:\\a" gives "C:\\", "name" gives "").
std::string parentFolder(const std::string& path);

// Creates the folder and those above it that are missing; returns those it
// created, top first. Throws ImportFailure (nothing left created) when one
// cannot be created.
std::vector<std::string> createFolders(const std::string& folder);

// Removes the folders createFolders made, deepest first; those no longer
// empty stay.
void removeFolders(const std::vector<std::string>& folders);
