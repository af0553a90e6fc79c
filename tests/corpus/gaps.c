/* Code at the bottom, a table of 300 bytes at 4000 hex and a text at A000 hex, erased flash
   between them. */
__code __at(0x4000) const unsigned char table[300] = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40};
__code __at(0xA000) const char text[] = "gaps between the parts of a program stay erased";

volatile unsigned char x;

void main(void) {
    unsigned int i;
    for (i = 0; i < sizeof table; i++) x += table[i] + (unsigned char)text[i % 10];
    for (;;) {
    }
}
