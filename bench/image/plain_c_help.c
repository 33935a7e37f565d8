/* SPDX-License-Identifier: GPL-3.0-or-later */
/* What a program costs that only prints its usage: the yardstick of tessary-prepare --help. */
#include <stdio.h>

int main(void) {
    fputs("Usage: plain_c_help\nPrints this text and ends; bench/prepare_floor.py times it.\n", stdout);
    return 0;
}
