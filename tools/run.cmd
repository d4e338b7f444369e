@echo off
rem Packs a script and runs it on Windows, then tells how it ended and shows
rem every file it wrote in its working directory.
rem
rem   tools\run.cmd [SCRIPT.kst] [ARGS...]      (default script: examples\notepad.kst)
rem
rem ARGS reach the script after "/p" as %%1%%, %%2%%, ... Script errors go to a log
rem instead of a box. The first run builds with CMake and Visual Studio into
rem build\win32; KESTRO_RUNNER and KESTRO_PACK name other builds of kestro.exe
rem and kestro-pack.exe.
setlocal EnableExtensions
set "REPO=%~dp0.."
if "%~1"=="" (set "SCRIPT=%REPO%\examples\notepad.kst") else (set "SCRIPT=%~f1")
if not exist "%SCRIPT%" (
  echo run: no script %SCRIPT% 1>&2
  exit /b 2
)
set "BUILD=%REPO%\build\win32"
if not defined KESTRO_RUNNER set "KESTRO_RUNNER=%BUILD%\host\Release\kestro.exe"
if not defined KESTRO_PACK set "KESTRO_PACK=%BUILD%\packer\Release\kestro-pack.exe"
if not exist "%KESTRO_RUNNER%" (
  echo Building...
  cmake -S "%REPO%" -B "%BUILD%" -A Win32
  if errorlevel 1 exit /b 1
  cmake --build "%BUILD%" --config Release
  if errorlevel 1 exit /b 1
)

rem Everything after the script name goes to the script.
set "ARGS="
:collect
shift
if "%~1"=="" goto pack
set ARGS=%ARGS% %1
goto collect

:pack
set "SCRATCH=%TEMP%\kestro-run-%RANDOM%%RANDOM%"
mkdir "%SCRATCH%"
mkdir "%SCRATCH%\bin"
mkdir "%SCRATCH%\work"
if not exist "%SCRATCH%\work\" (
  echo run: cannot make the folder %SCRATCH% 1>&2
  exit /b 1
)
for %%F in ("%SCRIPT%") do set "NAME=%%~nF"
set "EXE=%SCRATCH%\bin\%NAME%.exe"
set "LOG=%SCRATCH%\errors.log"
"%KESTRO_PACK%" build "%SCRIPT%" -o "%EXE%" --runner "%KESTRO_RUNNER%"
if errorlevel 1 exit /b 1

echo Running %NAME%...
pushd "%SCRATCH%\work"
if defined ARGS (
  start "" /wait "%EXE%" "/unattended:%LOG%" /p%ARGS%
) else (
  start "" /wait "%EXE%" "/unattended:%LOG%"
)
set STATUS=%ERRORLEVEL%
popd

set FAILED=0
if exist "%LOG%" for /f "usebackq delims=" %%L in ("%LOG%") do (
  echo Script stopped with an error: %%L
  set FAILED=1
  goto shown
)
:shown
if %FAILED%==0 if not "%STATUS%"=="0" (
  echo Script ended with exit code %STATUS%.
  set FAILED=1
)
if %FAILED%==0 echo Script ended normally.

rem Show what the script wrote, so FileAppend and IniWrite output can be read here.
for /r "%SCRATCH%\work" %%F in (*) do (
  echo ---- %%~nxF
  type "%%F"
  echo.
)
rmdir /s /q "%SCRATCH%"
exit /b %FAILED%
