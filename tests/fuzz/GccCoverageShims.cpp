// GCC's comparison tracing also reports floating-point comparisons, which libFuzzer's runtime
// does not take: they are dropped here. Linked into the harnesses of a GCC fuzzing build only.

extern "C" {
void __sanitizer_cov_trace_cmpf(float, float) {}
void __sanitizer_cov_trace_cmpd(double, double) {}
}
