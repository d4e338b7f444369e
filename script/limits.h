// Fixed text sizes shared by the loader, the engine and the command handlers.
#ifndef KESTRO_SCRIPT_LIMITS_H
#define KESTRO_SCRIPT_LIMITS_H

namespace script {

const int kMaxStoredLine = 1023;    // characters kept of one script line
const int kMaxExpandedLine = 1024;  // expansion stops taking input here (1025 with a trailing escape pair)
const int kMaxValue = 1024;         // characters of one variable value or parameter
const int kBufSize = 1028;          // line buffer, parameter buffer, label buffer and field buffers
const int kStatusMax = 8192;        // characters of the status text (buffer holds one more)
const int kTextBufSize = 8192;      // window titles and child texts are read into this many bytes

}  // namespace script

#endif
