#ifndef MORVA_SERVEPASSWORD_H
#define MORVA_SERVEPASSWORD_H

// archive serve --set-password: asks for the web view's password (twice on
// a terminal, once from a script's input) and keeps its salted slow hash in
// [serve] of morva_reporter.ini in the working directory, the file the
// reader takes its settings from; nothing else of the file changes. The
// program's exit status.
int SetServePassword();

#endif
