#pragma once
// The commands of the Параметры menu that exchange a radio's parameters with people and other
// programs, kept apart from the window's own commands.

class CRadios;
class QMenu;

// Appends the commands to the menu; they act on the radio list's current radio.
void AddInterchangeItems(QMenu& menu, CRadios& radios);
