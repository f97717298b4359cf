#include "run_scan.h"

int main(int argc, char** argv, char** envp)
{
    RunScan(argc, argv, envp);
}
