@echo off
rem Opens Morvelle's Many trends window, on the folder dropped on this file
rem if there is one. morvelle.exe is the one beside this file, wherever the
rem folder was copied; "start" returns at once, so the console closes.
start "" "%~dp0morvelle.exe" --many %1
