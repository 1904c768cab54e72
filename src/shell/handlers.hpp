// The handlers that the window descriptions bind to control events. Each takes no arguments and
// runs on the event loop's thread, one at a time.
#pragma once

void showLapViewer();
void startTiming();
void stopTiming();
void onTimerTick();
void recordLap();
void saveLapText();
void resetStopwatch();
