#include "mainwindow/Startup.h"

int main(int argc, char** argv) { return ravelin::m_Startup(argc, argv); }
