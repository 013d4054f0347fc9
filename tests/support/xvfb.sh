#!/usr/bin/env bash
# The tests' X server, started the one way the C++ and the shell tests share: Xvfb with one
# screen of the given size ("1280x1024"), TCP off, which picks a free display number itself and
# writes it to standard output once it listens (the only race-free way when many tests start
# displays at once). It replaces this script, so terminating this process stops the server.
exec Xvfb -displayfd 1 -screen 0 "${1:?a screen size such as 1280x1024}x24" -nolisten tcp -noreset
