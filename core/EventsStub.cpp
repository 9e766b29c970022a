// Placeholder for the action-event recognition until it is built: a log gets no
// events, and the derived pass around it runs unchanged.
#include "Analyze.h"

void RecognizeActionEvents(RoboCupFileT& file) { (void)file; }

void SortActionEvents(RoboCupFileT& file) { (void)file; }
