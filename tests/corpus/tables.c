/* Constant tables near 60 KB: one across the page boundary at F000 hex, read by the code. */
__code __at(0xEFE0) const unsigned char squares[64] = {
    0, 1, 4, 9, 16, 25, 36, 49, 64, 81, 100, 121, 144, 169, 196, 225, 0, 33, 68, 105, 144, 185, 228, 17, 64, 113, 164, 217, 16, 73, 132, 193, 0, 65, 132, 201, 16, 89, 164, 241, 64, 145, 228, 57, 144, 233, 68, 161, 0, 97, 196, 41, 144, 249, 100, 209, 64, 177, 36, 153, 16, 137, 4, 129};
__code __at(0xEC00) const char name[] = "Tovrel corpus: tables near 60 KB";

volatile unsigned char sum;

void main(void) {
    unsigned char i;
    for (i = 0; i < sizeof squares; i++) sum += squares[i] ^ name[i % (sizeof name - 1)];
    for (;;) {
    }
}
