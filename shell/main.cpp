// tackedit: the editor window.

#include "platform/qt/qt_platform.h"
#include "shell/application.h"
#include "base/messages.h"
#include "shell/tform1.h"
#include "shell/workspace_choice.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: tackedit [--workspace DIR] [FILE]\n"
    "   or: tackedit --help | --version\n"
    "Opens the editor of sailing-race data on its workspace.\n"
    "\n"
    "A race FILE (.txt) in a workspace's raceadmin folder opens on the compile\n"
    "screen, in that workspace; any other FILE is a GPS track and opens in the track\n"
    "editor.\n"
    "\n"
    "The workspace is --workspace DIR; else the workspace of a FILE opened from its\n"
    "raceadmin or gpsdat folder; else TACKEDIT_WORKSPACE; else the program's own\n"
    "folder when it may write there and is not installed; else ~/tackedit, made on\n"
    "first start with the demo race. The viewer tackvue.exe is looked for in the\n"
    "workspace; without it the stand-in viewer tackvue-standin is started.\n"
    "\n"
    "Options:\n"
    "  --workspace DIR  work in DIR (made with the workspace folders and the demo race\n"
    "                   when it does not exist)\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Environment:\n"
    "  TACKEDIT_WORKSPACE  the workspace, unless --workspace or the FILE names one\n"
    "  TACKEDIT_LANG       ja or en: the language of the captions (else the\n"
    "                      system's language, English without a Japanese font)\n";

struct Arguments {
    std::string workspace;
    std::vector<std::string> files;
    bool help = false, version = false;
    std::string error;
};

// Single-dash options are Qt's (-platform, -style) and left to it.
Arguments Parse(int argc, char** argv)
{
    Arguments a;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            a.help = true;
        } else if (options && arg == "--version") {
            a.version = true;
        } else if (options && arg == "--workspace") {
            if (i + 1 >= argc || !*argv[i + 1])
                a.error = "--workspace needs a folder";
            else
                a.workspace = argv[++i];
        } else if (options && arg.rfind("--workspace=", 0) == 0) {
            a.workspace = arg.substr(12);
            if (a.workspace.empty())
                a.error = "--workspace needs a folder";
        } else if (options && arg.rfind("--", 0) == 0) {
            a.error = "unknown option " + arg;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            // Qt's; the ones that take a value take the next word too.
            if ((arg == "-platform" || arg == "-style" || arg == "-display" || arg == "-qwindowgeometry") &&
                i + 1 < argc)
                ++i;
        } else {
            a.files.push_back(arg);
        }
    }
    return a;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tackedit;
    // Answered before any window exists, so they need no display.
    const Arguments args = Parse(argc, argv);
    if (!args.error.empty()) {
        std::fprintf(stderr, "tackedit: %s\nTry 'tackedit --help'.\n", args.error.c_str());
        return 2;
    }
    if (args.version) {
        std::printf("tackedit %s\n", TACKEDIT_VERSION);
        return 0;
    }
    if (args.help) {
        std::printf("%s", kUsage);
        return 0;
    }

    TackeditApplication app(argc, argv);

    QtDialogs dialogs(nullptr);
    QtShell shell;
    QtFonts fonts;
    QtTimeZone time_zone;
    QtCursor cursor;
    QtPendingEvents events;
    QtBeeper beeper;
    PlatformServices services{dialogs, shell, fonts, time_zone, cursor, events, beeper};
    AppState state;

    const std::string program_dir = FromQString(QCoreApplication::applicationDirPath());
    WorkspaceRequest request;
    request.program_dir = program_dir;
    request.argument = args.workspace;
    request.opened_file = args.files.empty() ? std::string() : args.files.front();
    request.environment = std::getenv("TACKEDIT_WORKSPACE");
    request.home = std::getenv("HOME");
    request.demo_dir = InstalledDemo(program_dir).value_or("");
    const WorkspaceChoice workspace = ChooseWorkspace(request);
    if (!workspace.error.empty()) {
        std::fprintf(stderr, "tackedit: %s\n", workspace.error.c_str());
        services.dialogs.ShowMessage("tackvue", workspace.error);
        return 1;
    }
    // The stand-in viewer learns the workspace from here.
    setenv("TACKEDIT_WORKSPACE", workspace.folder.c_str(), 1);
    state.paths.StandinViewerPath = program_dir + "/tackvue-standin";

    TForm1 form(state, services, workspace.folder);
    dialogs.SetParent(&form);
    app.ShowError = [&dialogs, &cursor](const std::string& message) {
        cursor.ShowDefaultCursor();
        dialogs.ShowMessage("tackvue", message, false);
    };
    form.show();
    if (!workspace.made.empty()) {
        std::fprintf(stderr, "tackedit: made the workspace %s\n", workspace.made.c_str());
        services.dialogs.ShowMessage("tackvue", Say(texts::kWorkspaceMade, state.UiLanguage, {workspace.made}));
    }
    form.OpenFiles(args.files);
    return app.exec();
}
