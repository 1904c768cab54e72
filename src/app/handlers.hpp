// The handlers that the window descriptions bind to control events, and the table that resolves
// the descriptions' handler ids to them. Each takes no arguments and runs on the event loop's
// thread, one at a time.
#pragma once

#include "shell/shell.hpp"

void showLapViewer();
void startTiming();
void stopTiming();
void onTimerTick();
void recordLap();
void saveLapText();
void resetStopwatch();

inline constexpr HandlerEntry kHandlers[] = {
    {HandlerId::showLapViewer, showLapViewer}, {HandlerId::startTiming, startTiming},
    {HandlerId::stopTiming, stopTiming},       {HandlerId::onTimerTick, onTimerTick},
    {HandlerId::recordLap, recordLap},         {HandlerId::saveLapText, saveLapText},
    {HandlerId::resetStopwatch, resetStopwatch},
};
