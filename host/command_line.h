// Reading a command line as X programs and XScreenSaver write them: options are "--name" or
// "-name", and a value follows as the next argument or after "=".
#pragma once

#include <optional>
#include <string>

class ArgumentReader {
  public:
    ArgumentReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
    bool Done() const { return index_ >= argc_; }

    // Moves to the next argument. True for an option, whose name (without dashes) is then
    // Name(); false for anything else, which Name() then holds whole.
    bool Next();
    const std::string& Name() const { return name_; }

    // The option's value, after "=" or as the next argument; false, with a message, when
    // there is none.
    bool Value(std::string& value, std::string& error);
    // True when the option was given no "=value"; false, with a message, otherwise.
    bool NoValue(std::string& error) const;

  private:
    int argc_;
    const char* const* argv_;
    int index_ = 0;
    std::string name_;
    std::optional<std::string> inlineValue_;
};

// Reads a whole decimal number within [low, high].
bool ParseWholeNumber(const std::string& text, long low, long high, long& value);
