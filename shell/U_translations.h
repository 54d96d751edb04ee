#pragma once
// The toolkit's own texts in Russian: the standard buttons (Да, Нет, Отмена, Открыть,
// Сохранить), the file dialog and its questions, as the rest of the program speaks.

class QCoreApplication;

// Installs the toolkit's Russian translations from the system's translation folder; false when
// they are not installed there (the toolkit's texts then stay in English).
bool InstallToolkitTranslations(QCoreApplication& app);
