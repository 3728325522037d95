@echo off
rem Updates an optical drive's firmware with nobody at the machine, as a
rem deployment tool or a start-up script runs it. Keep this file beside
rem quillan.exe and the firmware file, named AUTORUN.BIN; the result line
rem (QUILLAN.TMP) and the run log (QUILLAN.LOG) are written there too.
rem Its exit code is quillan.exe's: 3010 flashed (restarting now), 1603
rem the flash did not complete, 1618 another copy runs, 1 nothing was sent.
setlocal
cd /d "%~dp0"
start "" /wait quillan.exe -SILENT
set rc=%errorlevel%
echo quillan.exe -SILENT ended with exit code %rc%
if "%rc%"=="3010" (
  echo The drive took its new firmware: Windows restarts to bring it up.
  shutdown -r -t 10 -c "Drive firmware updated: restarting"
)
if "%rc%"=="1603" echo The flash did not complete: restart, then see QUILLAN.LOG before trying again.
if "%rc%"=="1618" echo Another copy of quillan.exe is running: try again later.
exit /b %rc%
