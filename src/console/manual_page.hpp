#pragma once

namespace recdb {

// Whether "man recdb" would show recdb's manual page, looked for as man-db
// looks: a program "man" in a directory of path, and the page (recdb.1, or
// recdb.1.gz) in section 1 of a manual directory. The manual directories
// are those that manPath lists when it is set (an empty entry stands for
// the usual ones); else the usual ones: share/man and man beside each bin
// directory of path, then /usr/local/share/man and /usr/share/man. path and
// manPath are the environment's PATH and MANPATH, null when unset. Only
// stat is called (through io::systemCalls), a few dozen times at most; no
// process is started.
bool manualPageInstalled(const char* path, const char* manPath);

}  // namespace recdb
