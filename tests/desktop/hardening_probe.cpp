// Built with the game's flags: a read into a stack buffer of known size goes
// through glibc's checked __read_chk when fortified, and the buffer makes the
// stack protector guard this function.
#include <unistd.h>

int main(int argc, char **)
{
    char buffer[16];
    return int(::read(STDIN_FILENO, buffer, sizeof buffer * unsigned(argc)));
}
