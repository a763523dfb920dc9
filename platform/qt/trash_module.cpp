// The trash as a module the command-line tool loads when it first needs it:
// linking QtCore into the tool would cost every run milliseconds of start-up.

#include "platform/qt/trash.h"

extern "C" __attribute__((visibility("default"))) bool tackedit_move_to_trash(const char* path)
{
    return tackedit::MoveToTrash(path);
}
