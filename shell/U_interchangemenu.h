#pragma once
// The commands of the Параметры menu that exchange a radio's parameters with people and other
// programs, kept apart from the window's own commands.

#include <functional>
#include <string>

class QMenu;
class QObject;

// What each item does; the window knows.
struct SInterchangeCommands {
    std::function<void()> importCanals;
    std::function<void()> exportCanals;
    std::function<void()> print;
    std::function<void()> compareWithRadio;
    std::function<void(const std::string& file)> openRecent;
};

// Appends the items to the menu; their calls stop when context goes.
void AddInterchangeItems(QMenu& menu, QObject& context, const SInterchangeCommands& commands);
