#pragma once

// Stand-in for the built-in tools until their code lands: the launch
// routine's call to resume a Pomodoro. Starts nothing and leaves the stored
// restore flag as it is, so the real tool still resumes the run later.
void recordPomodoroRun();
