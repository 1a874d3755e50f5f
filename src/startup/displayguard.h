#pragma once

#include <QString>
#include <QtGlobal>

// Stands around the construction of QApplication. When no window system can
// be reached, Qt reports a fatal error and aborts; the guard turns that into
// one line that tells the player what is missing, and exit code 1. Qt's
// warnings from the failed attempt are held back, and handed on unchanged
// when the construction succeeds.
class DisplayGuard
{
public:
    // platform and display: the -platform and -display options, empty when
    // not given; the environment fills in the rest.
    DisplayGuard(const QString &platform, const QString &display);
    ~DisplayGuard();
    Q_DISABLE_COPY_MOVE(DisplayGuard)

    // The construction succeeded: restore the previous message handler.
    void release();

    // The line printed when no window could be opened. platform is the Qt
    // platform asked for (empty for the default), display and waylandDisplay
    // the values of DISPLAY and WAYLAND_DISPLAY.
    static QString failureLine(const QString &platform, const QString &display, const QString &waylandDisplay);

private:
    bool active = false;
};
