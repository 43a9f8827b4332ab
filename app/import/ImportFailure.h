#pragma once

#include <string>

// A refusal of the importer: one line in English, worded as the console
// importer has always printed it, and the same reason in German for the
// program's dialogs. Nothing has been written when one is thrown.
class ImportFailure {
public:
    ImportFailure(std::string english, std::string german)
        : englishText(std::move(english)), germanText(std::move(german)) {}

    const std::string& english() const { return englishText; }
    const std::string& german() const { return germanText; }

private:
    std::string englishText;
    std::string germanText;
};

// Thrown out of an import whose ImportProgress asked to stop; the import
// leaves nothing behind, as after a failure.
class ImportCancelled {};
