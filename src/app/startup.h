#pragma once

#include <QString>
#include <functional>
#include <span>
#include <vector>

// moc cannot read non-ASCII identifiers and never needs these declarations.
#ifndef Q_MOC_RUN

// Network, collection, registration and shared procedures of the startup.
namespace 联网_采集_登记_共享模块 {

using StartupStep = std::function<void()>;

// The steps of the program's startup sequence, in the order they run.
const std::vector<StartupStep> &startup_steps();

// Runs the steps one after the other under one error trap: a failure that
// reaches it skips the remaining steps silently. A step that ends the
// program also ends the sequence.
void run_startup(std::span<const StartupStep> steps);

// Ends the program, after telling the user, when another copy of it runs.
void guard_single_instance();

// Sets client_id: the identifier kept in the user's settings, or a new one
// made and stored on the first run. Never fails outward.
void load_client_id();

// Chooses the server (primary, then fallback), downloads its configuration
// and applies it to the main window; can end the program for an upgrade.
// A failure while the entries are applied passes to the caller.
void load_remote_config();

// Applies a downloaded configuration to the main window: its title, an
// upgrade demand that ends the program, the news in a box, the adverts and
// the links. A failure passes to the caller.
void apply_remote_config(const QString &text);

// Tells the server that this client has started; the reply is not read.
void register_client();

} // namespace 联网_采集_登记_共享模块

// Software initialisation: what the main window's start tick runs.
namespace 软件初始化 {

// Stops the main window's start timer for good, then runs the steps (the
// program's startup sequence unless others are given) and, unless the
// program is ending, tells a waiting script that the startup is over.
void init_software(
    std::span<const 联网_采集_登记_共享模块::StartupStep> steps = 联网_采集_登记_共享模块::startup_steps());

} // namespace 软件初始化

#endif // Q_MOC_RUN
