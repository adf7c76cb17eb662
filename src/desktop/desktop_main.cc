// flowsvg-desktop: the converter in one small fixed window. Takes no
// arguments and exits with status 0, also when no window can be opened.
#include "desktop/shell.h"
#include "desktop/toolkit.h"
#include "model/flowchart.h"
#include "text/paths.h"

namespace {

// The one model of the run; each generate command parses into it afresh.
Flowchart chart;

}  // namespace

int main() {
  const std::unique_ptr<Toolkit> toolkit = newDesktopToolkit();
  Shell shell(*toolkit, chart, programPath());
  return shell.run();
}
