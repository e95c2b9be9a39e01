@echo off
echo Corvane Demo 1.0
echo Thank you for installing the demo.
pause
