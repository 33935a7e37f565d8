/* SPDX-License-Identifier: GPL-3.0-or-later
 * Writes a binary PPM (P6, maxval 255, read from standard input) as three four-component JPEGs: plain CMYK
 * without an Adobe marker (0 is no ink), CMYK as Photoshop writes it (inverted, with an Adobe marker), and
 * YCCK (inverted, Adobe transform 2). The inks are the plain grey-component replacement of the colours.
 * Build and run: cc make_inks.c -ljpeg -o make_inks && ./make_inks < src8.ppm */
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

static void write(const char *path, const unsigned char *cmyk, int width, int height, J_COLOR_SPACE space,
                  int adobe) {
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr e;
    FILE *out = fopen(path, "wb");
    if (!out) exit(1);
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, out);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, space);
    c.write_Adobe_marker = adobe;
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    unsigned char *row = malloc((size_t)width * 4);
    while (c.next_scanline < c.image_height) {
        const unsigned char *in = cmyk + (size_t)c.next_scanline * width * 4;
        for (int i = 0; i < width * 4; ++i) row[i] = adobe ? 255 - in[i] : in[i];
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    fclose(out);
    free(row);
}

int main(void) {
    int width = 0, height = 0, maxval = 0;
    if (scanf("P6 %d %d %d", &width, &height, &maxval) != 3 || maxval != 255 || getchar() == EOF) return 1;
    unsigned char *rgb = malloc((size_t)width * height * 3), *cmyk = malloc((size_t)width * height * 4);
    if (fread(rgb, 3, (size_t)width * height, stdin) != (size_t)width * height) return 1;
    for (size_t p = 0; p < (size_t)width * height; ++p) {
        const int r = rgb[3 * p], g = rgb[3 * p + 1], b = rgb[3 * p + 2];
        const int light = r > g ? (r > b ? r : b) : (g > b ? g : b), k = 255 - light;
        cmyk[4 * p] = light ? (unsigned char)((light - r) * 255 / light) : 0;
        cmyk[4 * p + 1] = light ? (unsigned char)((light - g) * 255 / light) : 0;
        cmyk[4 * p + 2] = light ? (unsigned char)((light - b) * 255 / light) : 0;
        cmyk[4 * p + 3] = (unsigned char)k;
    }
    write("cmyk_plain.jpg", cmyk, width, height, JCS_CMYK, 0);
    write("cmyk_adobe.jpg", cmyk, width, height, JCS_CMYK, 1);
    write("ycck_adobe.jpg", cmyk, width, height, JCS_YCCK, 1);
    return 0;
}
