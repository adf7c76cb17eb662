// The conversions of one run of flowsvg: one description, or many at once
// on threads (each with a Flowchart of its own on the heap; a thread that
// cannot be started leaves its share to the others), or only the reading of
// each with --check. The messages of each file (its warnings, its errors,
// its success line) are printed together, file after file in the order of
// the arguments, whatever order the threads finish in, each file's as soon
// as every earlier file's are out. While more than a few megabytes of
// messages wait for their turn, no new file is begun, so memory does not
// grow with the number of files. Memory running out is the error of the
// file it happens to; no temporary file outlives the run.
//
// Many files that replace existing SVGs are flushed to the disk together:
// each is written to a temporary file, and once all are written one flush
// per file system (text_file.h: commitReplacements) precedes their renames;
// with very many files, or many messages waiting behind such a file, those
// written so far are put in place at once.
#ifndef FLOWSVG_CLI_CONVERSIONS_H_
#define FLOWSVG_CLI_CONVERSIONS_H_

#include <cstdint>
#include <vector>

#include "platform/console.h"
#include "base/clock.h"
#include "base/strings.h"
#include "files/drawing_format.h"

inline constexpr int ExitWritten = 0;
inline constexpr int ExitInputUnreadable = 1;
inline constexpr int ExitOutputUnwritable = 2;
inline constexpr int ExitWarnings = 3;  // --check only
inline constexpr int ExitUsage = 64;    // EX_USAGE
inline constexpr int ExitNoPort = 69;   // EX_UNAVAILABLE: --serve's port

// Warnings shown per file at the most; a line then tells how many more
// there were. A file that is not a description at all (a UTF-16 file, a
// binary) gives one per line, and a screenful already says so.
inline constexpr size_t MostWarningsShown = 1000;

struct RunSettings {
  bool quiet = false;        // no warnings and no success lines
  bool check = false;        // read and warn only; warnings go to stdout
  bool watchTimes = false;   // each line starts with the time of day
  // --watch: for each input, whether the run has said it is missing and
  // waited for it since it was last read. A missing input is then said
  // once, as waiting for it, and this is kept up to date.
  std::vector<char>* waitingFor = nullptr;
  Timestamp fixedTime = -1;  // the drawings' time; -1 for each one's now
  int32_t threads = 0;       // conversions at once; 0 for defaultThreads()
  // What each output is written as: with formatGiven drawing.format, else
  // the format its extension names (drawingSettingsOf).
  DrawingSettings drawing;
  bool formatGiven = false;
};

// How output is written in this run: its format, the PNG's scale, the
// accessible SVG, and the PDF's date from fixedTime.
DrawingSettings drawingSettingsOf(const RunSettings& settings, TextView output);

// Converts inputs[k] to outputs[k] for every k (with check, only reads the
// inputs; outputs is then ignored), prints what each gives, and returns the
// exit status: ExitOutputUnwritable when any output could not be written,
// else ExitInputUnreadable when any input could not be opened or read, else
// with check ExitWarnings when any file gave a warning, else ExitWritten.
//
// "-" is standard input as an input and standard output as an output. Of
// many files, an output that is an input of the run, or that an earlier
// file of the run already writes, is refused (ExitOutputUnwritable) without
// reading its input.
//
// With only, just the files k with (*only)[k] set are converted and printed
// (a watch converts those that changed); the clashes are still those of all.
int runConversions(const std::vector<Text>& inputs,
                   const std::vector<Text>& outputs,
                   const RunSettings& settings,
                   const std::vector<char>* only = nullptr);

// The number of conversions to run at once when -j does not say: one per
// processor.
int32_t defaultThreads();

// An error line: the caption, the path as shownPath shows it, and the
// reason in parentheses (none when it is empty).
Text errorLine(TextView caption, TextView path, TextView reason);

// The time of day as each line of --watch starts with it: "[hh:mm:ss] ".
Text watchTimePrefix();

// Writes text and a line break to the stream (console.h); false when that
// did not reach it.
bool printLine(StandardStream stream, TextView text);

#endif  // FLOWSVG_CLI_CONVERSIONS_H_
