#pragma once
// Program entry: start-up, the frame loop and shutdown. Always returns 0.
int RunHost(int argc, char** argv);
