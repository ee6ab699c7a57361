# Source this file: tos_ensure_setup makes sure the packages of scripts/setup
# are installed, running it when something is missing.

# tos_ensure_setup: a quick check (a few hundredths of a second); where it
# finds a package missing, scripts/setup installs what is missing, its output
# in build/setup.log. Exits the calling script when the install fails.
tos_ensure_setup() {
  scripts/setup --check && return 0
  mkdir -p build
  echo "Some packages are missing: running scripts/setup (a few minutes; log in build/setup.log)..."
  if ! scripts/setup >build/setup.log 2>&1; then
    tail -n 30 build/setup.log
    echo "scripts/setup failed: see build/setup.log" >&2
    exit 1
  fi
}
