// The language the window tests run in: the program's Polish source texts and Qt's own English. A
// test that switches language holds a RestoreTestLanguage, which puts that back at the end of its scope.
#pragma once

#include "windows/ProgramLanguage.h"

#include <QApplication>

namespace varnilog::test {

struct RestoreTestLanguage {
    RestoreTestLanguage() = default;
    RestoreTestLanguage(const RestoreTestLanguage&) = delete;
    RestoreTestLanguage& operator=(const RestoreTestLanguage&) = delete;
    ~RestoreTestLanguage() {
        installProgramLanguage(*qApp, Language::English); // removes Qt's Polish
        useLanguage(*qApp, Language::Polish);             // removes the program's English
    }
};

} // namespace varnilog::test
