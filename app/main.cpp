#include "app/start_mode.h"

int main(int argc, char** argv) { return tovrel::app::Main(argc, argv); }
