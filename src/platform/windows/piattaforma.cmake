# What the Windows platform files need from the build: the system's libraries for the
# command line, the console and the windows are those MinGW links by default.
