#include "render/flush.h"

#include "render/line_pipe.h"
#include "render/quad_pipe.h"

void FlushBatches() {
  FlushPipe();
  FlushLinePipe();
}
