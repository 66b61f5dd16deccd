// Program entry: creates the shared state and the windows, runs the message loop.
#include "app/Program.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnilog KZx00"));
    auto state = std::make_unique<varnilog::SharedState>();
    varnilog::TForm1 form1(*state);
    form1.show();
    return app.exec();
}
