// The main window and its six secondary windows, made in the program's order and wired to each other
// as the program entry wires them.
#pragma once

#include "app/Program.h"
#include "spectrum/Unit5.h"
#include "windows/Otworzplik.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/Unit8.h"
#include "windows/Ustawienia.h"

namespace varnilog::test {

struct ProgramWindowSet {
    ProgramWindowSet(SharedState& state, MessageBoxes& boxes, const QString& configurationPath)
        : form1(state, boxes, configurationPath), form2(state, boxes, &form1), form4(state, boxes, &form1),
          form5(state, boxes, &form1), form6(state, boxes, &form1), form7(state, boxes, &form1),
          form8(state, boxes, &form1) {
        form1.setSecondaryWindows({&form2, &form4, &form5, &form6, &form7, &form8});
    }
    // Destroyed in reverse order: the secondary windows go before the main window that parents them.
    TForm1 form1;
    TForm2 form2;
    TForm4 form4;
    TForm5 form5;
    TForm6 form6;
    TForm7 form7;
    TForm8 form8;
};

} // namespace varnilog::test
