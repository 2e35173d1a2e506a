#pragma once

// Heap allocations made by the calling thread since it started, counted by the replaced
// global operator new of the analysis tests.
long allocationsOnThisThread();
