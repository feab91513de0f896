#pragma once

// Clears the upper halves of the vector registers where the CPU has them. Code that leaves them
// dirty (parts of the toolkit's start-up do) makes every later SSE instruction, and so every
// call of sin, cos, pow and log, pay for a state transition; a batch of evaluations starts clean.
void clearUpperVectorState();
