#pragma once

#include <string>

// Why an update of a product failed: one line in German (Windows-1252), for
// the console and the dialog's report. Nothing of the data set has changed
// and no temporary file is left when one is thrown.
class UpdateFailure {
public:
    explicit UpdateFailure(std::string german) : text(std::move(german)) {}

    const std::string& german() const { return text; }

private:
    std::string text;
};
