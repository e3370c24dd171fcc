// k470: the desktop application.
#include <QApplication>

#include "app/utility_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return k470::app::UtilityApp::Run(app);
}
