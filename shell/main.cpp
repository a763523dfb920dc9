// tackedit: the editor window.

#include "platform/qt/qt_platform.h"
#include "shell/application.h"
#include "shell/tform1.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Answered before any window exists, so they need no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tackedit %s\n", TACKEDIT_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: tackedit [--version | --help]\n"
                    "Opens the editor on the race workspace beside the program.\n"
                    "TACKEDIT_LANG=ja or TACKEDIT_LANG=en chooses the language of the captions.\n");
        return 0;
    }

    tackedit::TackeditApplication app(argc, argv);
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
    app.ShowError = [&dialogs, &cursor](const std::string& message) {
        cursor.ShowDefaultCursor();
        dialogs.ShowMessage("tackvue", message, false);
    };
    form.show();
    return app.exec();
}
