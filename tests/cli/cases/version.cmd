orvane-cli --version
