/* The code of a library that carries only resources: its entry does nothing. */
int __stdcall DllMainCRTStartup(void* instance, unsigned long reason, void* reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
