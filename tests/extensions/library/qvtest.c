/* A small native library the tests bind and call the way games call their libraries: reals,
   strings, both mixed, eight reals, a string result in a buffer reused by every call, and a
   counter that an extension package's initialization and finalization functions change. */
#include <stdio.h>
#include <string.h>

double qv_add(double a, double b) { return a + b; }

const char* qv_greet(const char* name) {
  static char buffer[128];
  snprintf(buffer, sizeof buffer, "Hello, %s", name ? name : "(null)");
  return buffer;
}

double qv_mixed(double a, const char* text, double b) { return a + (double)strlen(text) * b; }

double qv_sum8(double a, double b, double c, double d, double e, double f, double g, double h) {
  return a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f + 7 * g + 8 * h;
}

const char* qv_reused(void) {
  static char buffer[32];
  static int calls = 0;
  snprintf(buffer, sizeof buffer, "call %d", ++calls);
  return buffer;
}

const char* qv_null(void) { return NULL; }

static double counter = 0;
double qv_start(void) { counter = 100; return 1; }
double qv_bump(double by) { counter += by; return counter; }
double qv_stop(void) { counter = -1; return 0; }
