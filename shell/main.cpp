// tackedit: the editor window.

#include "platform/qt/qt_platform.h"
#include "shell/tform1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    using namespace tackedit;

    QtDialogs dialogs(nullptr);
    QtShell shell;
    QtFonts fonts;
    QtTimeZone time_zone;
    QtCursor cursor;
    QtPendingEvents events;
    QtBeeper beeper;
    PlatformServices services{dialogs, shell, fonts, time_zone, cursor, events, beeper};
    AppState state;

    TForm1 form(state, services, FromQString(QCoreApplication::applicationDirPath()));
    dialogs.SetParent(&form);
    form.show();
    return app.exec();
}
