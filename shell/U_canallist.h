#pragma once
// Параметры → Импорт каналов... and Экспорт каналов...: the current radio's channels to and
// from a channel list that other radio programs read and write; Сравнить с радиостанцией.

class CRadios;

// Asks for a list and puts the rows that fit into the current radio; the rows that do not fit
// are listed to the user, and their channels stay as they were.
void ImportCanalList(CRadios& radios);
// Asks for a file and writes the current radio's working channels into it.
void ExportCanalList(CRadios& radios);
// Asks for a file and writes the current radio's printable channel list (PDF) into it.
void PrintCanalListTo(CRadios& radios);
// After a read: what the radio holds against what the window held before the read.
void CompareWithRadio(CRadios& radios);
