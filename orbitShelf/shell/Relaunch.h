#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starting a detached program: true with the process running, false with a
// reason when it could not be started.
using DetachedStarter
    = std::function<bool(const QString& program, const QStringList& arguments, QString* error)>;

// What a restart passes on of the arguments this program was started with
// (without the program's name): all but the request to show the onboarding
// window, which belonged to that one start.
QStringList relaunchArguments(const QStringList& startedWith);

// Starts this program's own executable again (startRelaunchedProcess), with
// the arguments of relaunchArguments, detached and without a shell (a path is never part of a
// command line), and quits once the new process runs. When it cannot be
// started an alert says so and this process keeps running. Returns whether
// the relaunch was started.
bool relaunchApp(const DetachedStarter& start = {}, const std::function<void()>& quit = {});

// The real starter: QProcess::startDetached, which reports a program that
// cannot be executed.
bool startDetachedProcess(const QString& program, const QStringList& arguments, QString* error);
// The same, marking the new process as a relaunch: it waits for this one to
// let go of the instance lock instead of giving up at once.
bool startRelaunchedProcess(const QString& program, const QStringList& arguments, QString* error);
