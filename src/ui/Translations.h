#pragma once

#include <QLocale>
#include <QTranslator>

namespace tunara {

// The program's texts and Qt's own (its dialogs, key names) in a locale's
// language, installed for as long as this lives. A language without a
// translation leaves the English texts.
class Translations {
public:
    explicit Translations(const QLocale& locale);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

private:
    QTranslator qt_;
    QTranslator own_;
};

} // namespace tunara
