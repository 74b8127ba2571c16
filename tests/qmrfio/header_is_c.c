// SPDX-License-Identifier: GPL-2.0-or-later
/* Compiled as C: the header must stay valid C and the functions callable
 * from C. Exits non-zero on the first unexpected result. */
#include <stdio.h>

#include "qmrfio.h"

static int check(const char *what, int32_t got, int32_t expected) {
  if (got == expected) return 0;
  fprintf(stderr, "%s: got %d, expected %d\n", what, (int)got, (int)expected);
  return 1;
}

int main(void) {
  int failures = 0;
  failures += check("cbfindstr", cbfindstr(2, 0, 0, "b", "abc"), 1);
  failures += check("filefindstr", filefindstr(2, 0, 0, "a", NULL), -2);
  failures += check("insert2", insert2(0, 0, 10, 0, 0, 0, 0, 1, NULL, NULL, NULL), -2);
  failures += check("insert", insert(0, 0, 10, 0, 0, 0, 0, "", "", ""), -2);
  failures += check("wipefile", wipefile(0, NULL), 0);
  return failures == 0 ? 0 : 1;
}
