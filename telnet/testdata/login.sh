#!/bin/sh
# The login program the test's telnet daemon runs in place of the system's:
# one user, one password, then a line echo until "bye".
printf 'login: '
read -r user
stty -echo 2>/dev/null
printf 'Password: '
read -r password
stty echo 2>/dev/null
printf '\n'
if [ "$user" != kestrel ] || [ "$password" != secret ]; then
  echo 'Login incorrect'
  exit 1
fi
echo "Welcome $user, TERM=$TERM"
while read -r line; do
  echo "you said: $line"
  [ "$line" = bye ] && exit 0
done
