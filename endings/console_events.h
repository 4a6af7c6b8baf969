// SPDX-License-Identifier: Apache-2.0
// Console events (interrupt, break, close of the console): each is reported
// with its report line alone, every unit is closed, and the process ends the
// way the platform ends a program stopped by the event. A request to
// terminate (SIGTERM) ends the same way without a report line.
#pragma once

// Composes the three reports ahead of time and registers the handler. An
// event that was ignored when the program started stays ignored.
void install_console_event_handler();
