#pragma once
// What the program keeps from one run to the next (the folders its file dialogs last used):
// a small INI file, tessel/tessel.ini in the user's configuration folder ($XDG_CONFIG_HOME).

#include <string>
#include <string_view>

class CSettings {
  public:
    // The text under key, or empty when the file or the key is not there.
    std::string Text(std::string_view key) const;
    // Kept at once, so that a program that ends abruptly still remembers it.
    void SetText(std::string_view key, const std::string& value);

    // The settings file in use now.
    static std::string FilePath();
};

// Where a user keeps documents: the desktop's documents folder when it exists, else the home
// folder.
std::string UserDocumentsFolder();
